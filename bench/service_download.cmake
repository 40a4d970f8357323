quorfw_add_benchmark(bench_service_download SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/service_download.cpp
  LIBS quorfw_service_sim)
