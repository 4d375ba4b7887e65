# Run by CTest as "desktop_files": installs the build into PREFIX and validates what a
# desktop reads there: the desktop entry (desktop-file-validate) and the AppStream metainfo
# (appstreamcli validate --no-net), and that the entry's MimeType is the one the installed
# MIME file defines. BUILD_DIR, PREFIX and METAINFO (relative to PREFIX) are given.
foreach(tool desktop-file-validate appstreamcli)
  find_program(found_${tool} ${tool})
  if(NOT found_${tool})
    message(FATAL_ERROR "${tool} is missing (scripts/install-deps.sh installs it)")
  endif()
endforeach()

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(rc)
  message(FATAL_ERROR "cmake --install failed: ${err}")
endif()

set(entry "${PREFIX}/share/applications/dalumaster.desktop")
execute_process(COMMAND "${found_desktop-file-validate}" "${entry}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(rc)
  message(FATAL_ERROR "desktop-file-validate ${entry}:\n${out}")
endif()
execute_process(COMMAND "${found_appstreamcli}" validate --no-net "${PREFIX}/${METAINFO}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(rc)
  message(FATAL_ERROR "appstreamcli validate ${METAINFO}:\n${out}")
endif()

file(READ "${entry}" entry_text)
file(READ "${PREFIX}/share/mime/packages/dalumaster.xml" mime_xml)
string(REGEX MATCH "mime-type type=\"([^\"]+)\"" _ "${mime_xml}")
string(FIND "${entry_text}" "\nMimeType=${CMAKE_MATCH_1};\n" at)
if(CMAKE_MATCH_1 STREQUAL "" OR at LESS 0)
  message(FATAL_ERROR "the desktop entry does not name the record type '${CMAKE_MATCH_1}'")
endif()
string(FIND "${mime_xml}" "<glob pattern=\"*.dbd\"/>" at)
if(at LESS 0)
  message(FATAL_ERROR "the MIME file does not claim *.DBD")
endif()
