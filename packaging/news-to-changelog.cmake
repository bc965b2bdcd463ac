# Writes the release notes (NEWS) as a Debian changelog, the form Debian keeps in
# usr/share/doc/PACKAGE/changelog.gz of a native package.
#   cmake -DNEWS=... -DOUTPUT=... -DPACKAGE=tarmel -DVERSION=1.0.0 -DMAINTAINER="Name <mail>"
#         -P news-to-changelog.cmake
# A release starts with a line "Tarmel VERSION (YYYY-MM-DD)"; its notes are the indented lines
# after it. The newest release must be VERSION, so the package never ships stale notes.
foreach(var NEWS OUTPUT PACKAGE VERSION MAINTAINER)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "news-to-changelog: ${var} is not set")
    endif()
endforeach()

# RFC 2822 date at noon UTC; the weekday by Sakamoto's method (0 is Sunday).
function(rfc2822_date year month day out)
    set(offsets 0 3 2 5 0 3 5 1 4 6 2 4)
    math(EXPR index "${month} - 1")
    list(GET offsets ${index} offset)
    set(y ${year})
    if(month LESS 3)
        math(EXPR y "${y} - 1")
    endif()
    math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${day}) % 7")
    set(weekdays Sun Mon Tue Wed Thu Fri Sat)
    set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
    list(GET weekdays ${weekday} weekday_name)
    list(GET months ${index} month_name)
    set(${out} "${weekday_name}, ${day} ${month_name} ${year} 12:00:00 +0000" PARENT_SCOPE)
endfunction()

set(changelog "")
set(release "")
set(first_version "")

macro(finish_release)
    if(release)
        string(REGEX REPLACE "^\n+" "" notes "${notes}")
        string(REGEX REPLACE "\n+$" "\n" notes "${notes}")
        string(APPEND changelog "${PACKAGE} (${release}) unstable; urgency=medium\n\n${notes}\n"
                                " -- ${MAINTAINER}  ${release_date}\n\n")
    endif()
endmacro()

file(STRINGS "${NEWS}" lines ENCODING UTF-8)
foreach(line IN LISTS lines)
    if(line MATCHES "^Tarmel ([0-9][0-9.]*) \\(([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])\\)$")
        set(next ${CMAKE_MATCH_1})
        set(year ${CMAKE_MATCH_2})
        # math() drops the leading zeros: "6 Dec", not "06 Dec".
        math(EXPR month "${CMAKE_MATCH_3}")
        math(EXPR day "${CMAKE_MATCH_4}")
        finish_release()
        set(release ${next})
        if(NOT first_version)
            set(first_version ${release})
        endif()
        rfc2822_date(${year} ${month} ${day} release_date)
        set(notes "")
    elseif(release AND line MATCHES "^  ")
        string(APPEND notes "${line}\n")
    elseif(release AND line MATCHES "^[ \t]*$")
        string(APPEND notes "\n")
    elseif(release)
        message(FATAL_ERROR "news-to-changelog: ${NEWS}: unindented line in the notes of ${release}: ${line}")
    endif()
endforeach()
finish_release()

if(NOT first_version STREQUAL VERSION)
    message(FATAL_ERROR "news-to-changelog: ${NEWS} starts with release '${first_version}', "
                        "not ${VERSION}: add the notes of ${VERSION} at the top")
endif()
string(REGEX REPLACE "\n\n$" "\n" changelog "${changelog}")
file(WRITE "${OUTPUT}" "${changelog}")
