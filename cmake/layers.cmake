# files + threads + shell
sky_layer(sky_base DIRS core/ui core/files core/thread
          LINK Threads::Threads ZLIB::ZLIB PkgConfig::MINIZIP)
# network
sky_layer(sky_net DIRS core/sockets LINK sky_base CURL::libcurl)
# installer core
sky_layer(sky_engine DIRS core/installer app/Installer-f/engine
          LINK sky_net OpenSSL::Crypto)
# installer application: wizard model, flows, unattended mode
sky_layer(sky_app DIRS app/Installer-f/wizard app/Installer-f/flows LINK sky_engine)

add_executable(skyvane-installer source_code/app/Installer-f/main.cpp)
target_link_libraries(skyvane-installer PRIVATE sky_app)

sky_layer_tests(base sky_base)
sky_layer_tests(net sky_net)
sky_layer_tests(engine sky_engine)
sky_layer_tests(app sky_app)
