quorfw_add_fuzzer(fuzz_installation_file SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/installation_file.cpp LIBS quorfw_sim)
