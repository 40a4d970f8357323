quorfw_add_fuzzer(fuzz_frame_decode SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/frame_decode.cpp LIBS quorfw_sim)
