quorfw_add_benchmark(bench_userdata SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/userdata.cpp LIBS quorfw_sim)
