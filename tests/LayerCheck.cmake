# Fails when code below the application folder includes from src/app/: the
# interfaces the core and the plug-ins use live in src/components/ and
# src/settings/, so the window can change without touching them.
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
if(offenders)
    list(JOIN offenders "\n" text)
    message(FATAL_ERROR "These files include from src/app/:\n${text}")
endif()
message(STATUS "No file below src/app/ includes from it")
