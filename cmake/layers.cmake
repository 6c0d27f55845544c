# files + threads + shell
sky_layer(sky_base DIRS core/ui core/files core/thread
          LINK Threads::Threads ZLIB::ZLIB PkgConfig::MINIZIP)
# network
sky_layer(sky_net DIRS core/sockets LINK sky_base CURL::libcurl)
# installer core
sky_layer(sky_engine DIRS core/installer app/Installer-f/engine
          LINK sky_net OpenSSL::Crypto PkgConfig::SYSTEMD)
# platform: windows, events, display (the only layer that includes SDL)
sky_layer(sky_platform DIRS core/platform LINK sky_base PkgConfig::SDL2 PkgConfig::EPOXY)
# render: fonts, draw context, textures (the only layer that calls OpenGL)
sky_layer(sky_render DIRS core/OGL core/TEX LINK sky_platform PNG::PNG Freetype::Freetype PkgConfig::EPOXY)
# toolkit
sky_layer(sky_gui DIRS core/GUI LINK sky_render)
# installer application: wizard model, flows, screens, unattended mode
sky_layer(sky_app DIRS app/Installer-f/shell app/Installer-f/wizard app/Installer-f/flows app/Installer-f/screens app/Installer-f/unattended
                 app/Installer-f/scenery app/Installer-f/analytics
          LINK sky_engine sky_gui)

add_executable(skyvane-installer source_code/app/Installer-f/main.cpp)
target_link_libraries(skyvane-installer PRIVATE sky_app)

sky_layer_tests(base sky_base)
sky_layer_tests(net sky_net PkgConfig::HTTPLIB)
sky_layer_tests(engine sky_engine PkgConfig::HTTPLIB)
sky_layer_tests(render sky_render)
sky_layer_tests(gui sky_gui)
sky_layer_tests(app sky_app PkgConfig::HTTPLIB)

# The application's end-to-end tests run the real executable.
add_dependencies(test_app skyvane-installer)
