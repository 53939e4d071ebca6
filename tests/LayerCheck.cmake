# Fails when code below the application folder includes from src/app/: the
# interfaces the core and the plug-ins use live in src/components/ and
# src/settings/, so the window can change without touching them. The
# component interfaces sit lowest: they include only each other and the
# platform layer, and what they hand out (the settings values) lives with them.
file(GLOB_RECURSE sources
    ${ROOT}/src/*.h ${ROOT}/src/*.cpp ${ROOT}/plugins/*.h ${ROOT}/plugins/*.cpp)
set(offenders "")
foreach(source IN LISTS sources)
    if(source MATCHES "/src/app/")
        continue()
    endif()
    file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]app/")
    if(lines)
        list(APPEND offenders "${source}: ${lines}")
    endif()
endforeach()
file(GLOB component_sources ${ROOT}/src/components/*.h ${ROOT}/src/components/*.cpp)
foreach(source IN LISTS component_sources)
    file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    list(FILTER lines EXCLUDE REGEX "\"(components|platform)/")
    if(lines)
        list(APPEND offenders "${source}: ${lines}")
    endif()
endforeach()
if(offenders)
    list(JOIN offenders "\n" text)
    message(FATAL_ERROR "These files include from a layer above their own:\n${text}")
endif()
message(STATUS "No file below src/app/ includes from it; src/components/ includes only itself and the platform layer")
