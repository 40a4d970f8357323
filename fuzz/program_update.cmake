quorfw_add_fuzzer(fuzz_program_update SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/program_update.cpp)

# Seeds: program update files as the service simulator packs them.
set(seed_dir ${CMAKE_BINARY_DIR}/corpus/fuzz_program_update)
set(seed_source_dir ${CMAKE_CURRENT_BINARY_DIR}/program_update_sources)
file(WRITE ${seed_source_dir}/program "program bytes")
file(WRITE ${seed_source_dir}/lang "2120\tScan\n")
add_custom_command(
  OUTPUT ${seed_dir}/two-entries.upd ${seed_dir}/one-entry.upd
  COMMAND ${CMAKE_COMMAND} -E make_directory ${seed_dir}
  COMMAND quorfw-service-sim pack-program ${seed_dir}/two-entries.upd quorfwupdate=${seed_source_dir}/program
          quorfwupdateresde.lang=${seed_source_dir}/lang
  COMMAND quorfw-service-sim pack-program ${seed_dir}/one-entry.upd helper.txt=${seed_source_dir}/lang
  DEPENDS quorfw-service-sim
  VERBATIM)
add_custom_target(fuzz_program_update_seeds ALL DEPENDS ${seed_dir}/two-entries.upd ${seed_dir}/one-entry.upd)
add_dependencies(fuzz_program_update fuzz_program_update_seeds)
