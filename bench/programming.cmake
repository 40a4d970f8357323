quorfw_add_benchmark(bench_programming SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/programming.cpp
  LIBS quorfw_sim quorfw_package_writer)
