quorfw_add_benchmark(bench_frame_codec SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/frame_codec.cpp)
