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

# Form resources: each text form file converted at build time (tools/formconv) into the
# binary form stream named after its form class in capitals ("object frmAbout: TfrmAbout"
# gives TFRMABOUT), which brisk_resources then links as raw data. Sets OUT to the converted
# files.
function(brisk_form_resources out)
  set(converted "")
  foreach(dfm IN LISTS ARGN)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${dfm})
    file(STRINGS ${dfm} first LIMIT_COUNT 1)
    if(NOT first MATCHES "^object [A-Za-z_][A-Za-z0-9_]*: ([A-Za-z_][A-Za-z0-9_]*)")
      message(FATAL_ERROR "${dfm} does not start with \"object Name: TClass\"")
    endif()
    string(TOUPPER ${CMAKE_MATCH_1} name)
    set(binary ${CMAKE_CURRENT_BINARY_DIR}/forms/${name})
    add_custom_command(
      OUTPUT ${binary}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/forms
      COMMAND formconv ${dfm} ${binary}
      DEPENDS ${dfm} formconv
      COMMENT "Converting the form file ${dfm}"
      VERBATIM)
    list(APPEND converted ${binary})
  endforeach()
  set(${out} ${converted} PARENT_SCOPE)
endfunction()
