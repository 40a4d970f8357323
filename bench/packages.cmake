pkg_check_modules(CRYPTOPP REQUIRED IMPORTED_TARGET libcrypto++)
quorfw_add_benchmark(bench_packages SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/packages.cpp
  LIBS quorfw_package_writer PkgConfig::CRYPTOPP)
