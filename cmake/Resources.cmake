# Resources: files linked into a library and registered under their module and name when the
# library loads, as the platform's resource compiler and loader do. A file's name without its
# extension is the resource name; .bmp files are bitmaps, .ico icons, the rest raw data.
set(BRISK_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/EmbedResources.cmake)

function(brisk_resources target module)
  set(files ${ARGN})
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DOUT=${out} -DMODULE=${module} "-DFILES=${files}" -P ${BRISK_EMBED_SCRIPT}
    DEPENDS ${files} ${BRISK_EMBED_SCRIPT}
    COMMENT "Linking the resources of ${module}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()
