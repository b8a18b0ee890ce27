# Runs lv2_validate on the bundle's descriptions and fails on any error.
file(GLOB ttl ${BUNDLE}/*.ttl)
execute_process(COMMAND ${VALIDATE} ${ttl} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}${err}")
if(NOT rc EQUAL 0 OR NOT "${out}${err}" MATCHES "Found 0 errors" OR "${out}${err}" MATCHES "(^|\n)(error|warning):")
  message(FATAL_ERROR "lv2_validate found errors")
endif()
