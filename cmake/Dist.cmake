# What a Windows user downloads: build/windows/dist/quillmere/ with the
# program, the built-in engine's model and the licence texts of everything
# linked in or shipped, and the same folder as quillmere-windows.zip.
set(QM_MODEL_SOURCE /usr/share/pocketsphinx/model/en-us CACHE PATH "Debian's pocketsphinx-en-us model")
if(NOT EXISTS ${QM_MODEL_SOURCE}/en-us/mdef OR NOT EXISTS ${QM_MODEL_SOURCE}/cmudict-en-us.dict)
  message(FATAL_ERROR "The speech model is missing from ${QM_MODEL_SOURCE} (Debian: pocketsphinx-en-us)")
endif()

set(QM_DIST_ROOT ${CMAKE_BINARY_DIR}/dist)
set(QM_DIST_DIR ${QM_DIST_ROOT}/quillmere)
set(QM_DIST_ZIP ${QM_DIST_ROOT}/quillmere-windows.zip CACHE INTERNAL "What a Windows user downloads")

# The acoustic model and the dictionary; the language models are not used.
file(GLOB _qm_acoustic ${QM_MODEL_SOURCE}/en-us/*)
set(_qm_model_files ${QM_MODEL_SOURCE}/cmudict-en-us.dict ${_qm_acoustic})

# Licence file in the folder <- where Debian or the source package keeps it.
set(_qm_licences
  "sphinxbase.txt=${QM_SPHINXBASE_DIR}/LICENSE"
  "sphinxbase-debian-copyright.txt=${QM_SPHINXBASE_DIR}/debian/copyright"
  "pocketsphinx.txt=${QM_POCKETSPHINX_DIR}/LICENSE"
  "pocketsphinx-debian-copyright.txt=${QM_POCKETSPHINX_DIR}/debian/copyright"
  "model-en-us.txt=/usr/share/doc/pocketsphinx-en-us/copyright"
  "mingw-w64-runtime.txt=/usr/share/doc/mingw-w64-common/copyright"
  "gcc-runtime-libgcc-libstdc++.txt=/usr/share/doc/gcc-mingw-w64-base/copyright"
  "zlib.txt=/usr/share/doc/libz-mingw-w64-dev/copyright")
set(_qm_copy_licences "")
set(_qm_licence_sources "")
foreach(pair IN LISTS _qm_licences)
  string(REPLACE "=" ";" pair "${pair}")
  list(GET pair 0 name)
  list(GET pair 1 source)
  if(NOT EXISTS ${source})
    message(FATAL_ERROR "Licence text missing: ${source}")
  endif()
  list(APPEND _qm_copy_licences COMMAND ${CMAKE_COMMAND} -E copy ${source} ${QM_DIST_DIR}/licences/${name})
  list(APPEND _qm_licence_sources ${source})
endforeach()

add_custom_command(OUTPUT ${QM_DIST_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${QM_DIST_DIR}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QM_DIST_DIR}/model/en-us ${QM_DIST_DIR}/licences
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:quillmere> ${QM_DIST_DIR}/
  COMMAND ${CMAKE_COMMAND} -E copy ${QM_MODEL_SOURCE}/cmudict-en-us.dict ${QM_DIST_DIR}/model/
  COMMAND ${CMAKE_COMMAND} -E copy ${_qm_acoustic} ${QM_DIST_DIR}/model/en-us/
  ${_qm_copy_licences}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${QM_DIST_ZIP}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${QM_DIST_ZIP} --format=zip quillmere
  WORKING_DIRECTORY ${QM_DIST_ROOT}
  DEPENDS quillmere ${_qm_model_files} ${_qm_licence_sources}
  COMMENT "Packing the Windows download: ${QM_DIST_ZIP}"
  VERBATIM)
add_custom_target(dist ALL DEPENDS ${QM_DIST_ZIP})
