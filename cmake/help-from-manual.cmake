# cmake -DMANUAL=kestrane.1.scd -DOUTPUT=KestraneHelp.inc -P help-from-manual.cmake
#
# kestrane's --help made from its manual page's source, so that the two say
# the same: the synopsis, the first paragraph of the description, the
# options, the exit status and the signals, each line as the manual's source
# has it (indented below a heading), without scdoc's marks for bold and underlined words. Written as a
# C++ raw string literal, and only when it changed, so that a build that
# changed nothing compiles nothing. In CMake's own language, so that every
# build of kestrane (also on Windows) can make it.

file(READ "${MANUAL}" source)
# CMake's lists are split at semicolons, which the text has too.
string(REPLACE ";" "<semicolon>" source "${source}")
string(REPLACE "\n" ";" lines "${source}")

# Without the marks for bold (*) and underlined (_) words, the escaped ones
# kept, and without the forced line break (++) at the end.
function(plain line result)
    string(REPLACE "\\*" "<star>" line "${line}")
    string(REPLACE "\\_" "<underscore>" line "${line}")
    string(REPLACE "*" "" line "${line}")
    string(REPLACE "_" "" line "${line}")
    string(REPLACE "<star>" "*" line "${line}")
    string(REPLACE "<underscore>" "_" line "${line}")
    string(REGEX REPLACE "\\+\\+$" "" line "${line}")
    set(${result} "${line}" PARENT_SCOPE)
endfunction()

# The sections shown, and the heading --help gives each ("-" for none).
set(sections ÜBERSICHT BESCHREIBUNG OPTIONEN EXIT-STATUS SIGNALE)
set(headings "Aufruf:" "-" "Optionen:" "Exit-Status:" "Signale:")
# Where an option's text begins in its line.
set(option_column 21)

set(help "")
set(section "")
set(shown OFF)
set(paragraph_ended OFF)
foreach(line IN LISTS lines)
    if(line MATCHES "^# (.*)$")
        set(section "${CMAKE_MATCH_1}")
        set(shown OFF)
        set(paragraph_ended OFF)
        list(FIND sections "${section}" index)
        if(index GREATER -1)
            set(shown ON)
            list(GET headings ${index} heading)
            if(NOT help STREQUAL "")
                string(APPEND help "\n")
            endif()
            if(NOT heading STREQUAL "-")
                string(APPEND help "${heading}\n")
            endif()
        endif()
        continue()
    endif()
    if(NOT shown OR line MATCHES "^<semicolon>")
        continue()
    endif()
    if(line STREQUAL "")
        # Of the description, only the first paragraph.
        if(section STREQUAL "BESCHREIBUNG" AND NOT help MATCHES "\n\n$" AND NOT help STREQUAL "")
            set(paragraph_ended ON)
        endif()
        continue()
    endif()
    if(paragraph_ended)
        continue()
    endif()
    plain("${line}" text)
    if(section STREQUAL "ÜBERSICHT")
        string(APPEND help "  ${text}\n")
    elseif(section STREQUAL "OPTIONEN" AND text MATCHES "^\t(.*)$")
        # An option's text: its first line beside the option, the others below it.
        set(text "${CMAKE_MATCH_1}")
        string(LENGTH "${pending_option}" length)
        if(NOT pending_option STREQUAL "" AND length LESS option_column)
            math(EXPR padding "${option_column} - ${length}")
            string(REPEAT " " ${padding} gap)
            string(APPEND help "${pending_option}${gap}${text}\n")
        else()
            string(REPEAT " " ${option_column} gap)
            if(NOT pending_option STREQUAL "")
                string(APPEND help "${pending_option}\n")
            endif()
            string(APPEND help "${gap}${text}\n")
        endif()
        set(pending_option "")
    elseif(section STREQUAL "OPTIONEN")
        set(pending_option "  ${text}")
    elseif(section STREQUAL "BESCHREIBUNG")
        string(APPEND help "${text}\n")
    else()
        string(APPEND help "  ${text}\n")
    endif()
endforeach()
string(REPLACE "<semicolon>" ";" help "${help}")

set(literal "R\"kestrane(${help})kestrane\"\n")
if(EXISTS "${OUTPUT}")
    file(READ "${OUTPUT}" before)
endif()
if(NOT "${before}" STREQUAL "${literal}")
    file(WRITE "${OUTPUT}" "${literal}")
endif()
