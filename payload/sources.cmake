# The embedded payload and its expansion. The five cabinets (packed under
# carried/files) and the three setup scripts enter the image as constant
# arrays in generated sources, compiled once into qv_payload_arrays.
set(qv_payload_generated_dir ${CMAKE_BINARY_DIR}/payload/generated)
file(MAKE_DIRECTORY ${qv_payload_generated_dir})
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(qv_payload_blobs
  common_cabinet      ${CMAKE_BINARY_DIR}/carried/cabinets/common.cab
  ndis650_x64_cabinet ${CMAKE_BINARY_DIR}/carried/cabinets/ndis650_x64.cab
  ndis650_x86_cabinet ${CMAKE_BINARY_DIR}/carried/cabinets/ndis650_x86.cab
  ndis620_x64_cabinet ${CMAKE_BINARY_DIR}/carried/cabinets/ndis620_x64.cab
  ndis620_x86_cabinet ${CMAKE_BINARY_DIR}/carried/cabinets/ndis620_x86.cab
  common_setup_script ${CMAKE_SOURCE_DIR}/payload/scripts/common_setup.txt
  win10_setup_script  ${CMAKE_SOURCE_DIR}/payload/scripts/win10_setup.txt
  win7_setup_script   ${CMAKE_SOURCE_DIR}/payload/scripts/win7_setup.txt)

set(qv_payload_sources)
set(qv_payload_tool ${CMAKE_SOURCE_DIR}/tools/embed_blob.py)
list(LENGTH qv_payload_blobs qv_payload_count)
math(EXPR qv_payload_last "${qv_payload_count} - 1")
foreach(index RANGE 0 ${qv_payload_last} 2)
  math(EXPR path_index "${index} + 1")
  list(GET qv_payload_blobs ${index} symbol)
  list(GET qv_payload_blobs ${path_index} input)
  set(output ${qv_payload_generated_dir}/${symbol}.cpp)
  add_custom_command(OUTPUT ${output}
    COMMAND Python3::Interpreter ${qv_payload_tool} ${input} ${output} ${symbol}
            payload/payload_arrays.h
    DEPENDS ${input} ${qv_payload_tool}
    VERBATIM)
  list(APPEND qv_payload_sources ${output})
endforeach()

add_library(qv_payload_arrays OBJECT ${qv_payload_sources})
target_link_libraries(qv_payload_arrays PRIVATE qv_product_options)
# The cabinets come from a target of carried/files.
add_dependencies(qv_payload_arrays qv_cabinets)

list(APPEND QV_INSTALLER_SOURCES
  payload/cabinet_expansion.cpp
  payload/payload_data.cpp
  $<TARGET_OBJECTS:qv_payload_arrays>)
