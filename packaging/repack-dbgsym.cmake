# Run by CPack once it has made the packages (CPACK_POST_BUILD_SCRIPTS; CPACK_PACKAGE_FILES lists
# them). CMake 3.25 gives the debug package an md5sums file with the absolute paths of its staging
# folder, marks the debug files executable and ships no copyright or changelog. This repacks it
# the way Debian's own debug packages are made: md5sums relative to the root, debug files 0644,
# and usr/share/doc/tarmel-dbgsym a link to the documents of tarmel, on which it depends.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(NOT package MATCHES "-dbgsym_[^/]*\\.ddeb$")
        continue()
    endif()
    get_filename_component(name ${package} NAME_WE)
    string(REGEX REPLACE "_.*" "" name ${name})
    string(REGEX REPLACE "-dbgsym$" "" parent ${name})
    set(root ${CPACK_TOPLEVEL_DIRECTORY}/repack-${name})
    file(REMOVE_RECURSE ${root})
    execute_process(COMMAND dpkg-deb --raw-extract ${package} ${root} COMMAND_ERROR_IS_FATAL ANY)

    file(GLOB_RECURSE debug_files LIST_DIRECTORIES false RELATIVE ${root} ${root}/usr/*)
    set(md5sums "")
    foreach(file IN LISTS debug_files)
        file(CHMOD ${root}/${file} FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
        file(MD5 ${root}/${file} sum)
        string(APPEND md5sums "${sum}  ${file}\n")
    endforeach()
    file(WRITE ${root}/DEBIAN/md5sums "${md5sums}")
    file(MAKE_DIRECTORY ${root}/usr/share/doc)
    file(CREATE_LINK ${parent} ${root}/usr/share/doc/${name} SYMBOLIC)

    execute_process(COMMAND dpkg-deb --root-owner-group --build ${root} ${package}
                    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE ${root})
endforeach()
