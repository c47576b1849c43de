# Copies every file under SOURCE into DESTINATION, keeping sub-folders, skipping files
# that are already identical. README files at the top of SOURCE document the folder and
# stay out of the bundle.
if(NOT IS_DIRECTORY "${SOURCE}")
    return()
endif()
file(GLOB_RECURSE files RELATIVE "${SOURCE}" "${SOURCE}/*")
foreach(file IN LISTS files)
    if(file MATCHES "^README")
        continue()
    endif()
    get_filename_component(folder "${DESTINATION}/${file}" DIRECTORY)
    file(MAKE_DIRECTORY "${folder}")
    file(COPY_FILE "${SOURCE}/${file}" "${DESTINATION}/${file}" ONLY_IF_DIFFERENT)
endforeach()
