quorfw_add_fuzzer(fuzz_backup_file SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/backup_file.cpp)

# Seed corpus written by the backup file writer itself, where scripts/test.sh keeps this
# fuzzer's corpus.
add_executable(backup_file_seeds ${CMAKE_CURRENT_SOURCE_DIR}/backup_file_seeds.cpp)
target_link_libraries(backup_file_seeds PRIVATE quorfw_core)
set(backup_seed_dir ${CMAKE_BINARY_DIR}/corpus/fuzz_backup_file)
add_custom_command(
  OUTPUT ${backup_seed_dir}/newer.bin ${backup_seed_dir}/older.bin
  COMMAND backup_file_seeds ${backup_seed_dir}
  DEPENDS backup_file_seeds
  VERBATIM)
add_custom_target(fuzz_backup_file_seeds ALL DEPENDS ${backup_seed_dir}/newer.bin ${backup_seed_dir}/older.bin)
add_dependencies(fuzz_backup_file fuzz_backup_file_seeds)
