// The program-wide globals sit beside main, outside the folders the layer libraries are made
// from; compiling them here puts them into the application layer.
#include "app/Installer-f/installer_globals.cpp"
