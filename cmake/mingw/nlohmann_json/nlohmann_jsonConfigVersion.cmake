# The version Debian installs under /usr/include/nlohmann.
set(PACKAGE_VERSION 3.11.2)
if(PACKAGE_FIND_VERSION_MAJOR EQUAL 3)
  set(PACKAGE_VERSION_COMPATIBLE TRUE)
endif()
