cmake_minimum_required(VERSION 3.25)
# The direction of the program's layers: the core and the result area's widget-free parts
# (ui/result/model, ui/result/io) are built and tested without Qt, and the windows depend on
# them, never the other way; the result area is a component of its own, which the windows
# hold and which knows nothing of them. Run as a script (cmake -DROOT=... -P): it fails,
# naming the file and the line, when the core or a widget-free part includes a Qt header or a
# file of ui/ outside those parts (the core: any file of ui/), or when a file of the result
# area includes a file of ui/ outside ui/result/, or when a file of ui/desktop/ (what the
# windows ask of the desktop) includes a file of ui/ outside ui/desktop/: the windows call it,
# never the other way.
file(GLOB_RECURSE core_sources ${ROOT}/core/*.cpp ${ROOT}/core/*.hpp)
file(GLOB_RECURSE widget_free_sources ${ROOT}/ui/result/model/*.cpp ${ROOT}/ui/result/model/*.hpp
     ${ROOT}/ui/result/io/*.cpp ${ROOT}/ui/result/io/*.hpp)
set(faults "")
# A component of ui/ that includes nothing of ui/ outside its own folder.
function(check_component folder)
    file(GLOB sources ${ROOT}/ui/${folder}/*.cpp ${ROOT}/ui/${folder}/*.hpp)
    foreach(source ${sources})
        file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]ui/")
        foreach(line ${includes})
            if(NOT line MATCHES "[\"<]ui/${folder}/")
                file(RELATIVE_PATH name ${ROOT} ${source})
                string(APPEND faults "\n  ${name}: ${line}")
            endif()
        endforeach()
    endforeach()
    set(faults "${faults}" PARENT_SCOPE)
endfunction()
check_component(result)
check_component(desktop)
foreach(source ${core_sources} ${widget_free_sources})
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${includes})
        set(wrong FALSE)
        if(line MATCHES "<Q[A-Za-z0-9_]*(/|>)")
            set(wrong TRUE)
        elseif(line MATCHES "[\"<]ui/")
            if(source IN_LIST core_sources OR NOT line MATCHES "[\"<]ui/result/(model|io)/")
                set(wrong TRUE)
            endif()
        endif()
        if(wrong)
            file(RELATIVE_PATH name ${ROOT} ${source})
            string(APPEND faults "\n  ${name}: ${line}")
        endif()
    endforeach()
endforeach()
if(faults)
    message(FATAL_ERROR "Qt or window code included where it does not belong:${faults}")
endif()
