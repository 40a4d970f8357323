quorfw_add_fuzzer(fuzz_package_record SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/package_record.cpp)

# Seed corpus from the package builder: a small package of every record format, both
# encrypted and as the plain record, written where scripts/test.sh keeps this fuzzer's
# corpus.
set(seed_dir ${CMAKE_BINARY_DIR}/corpus/fuzz_package_record)
set(seed_manifest_dir ${CMAKE_CURRENT_BINARY_DIR}/package_record_seeds)
set(seed_files)
foreach(format 1 2 3 4 5 6 7)
  set(manifest ${seed_manifest_dir}/format${format}.qupm)
  set(text "format = ${format}\nkey = 0x${format}1C2D3E0\nheader = long\ntitle = Seed ${format}\nname = Format ${format}\narticles = 100301 200501\n")
  string(APPEND text "[section 0]\nversion = 3.0.4.20\ndata = hex 01 02 03 04 05\n[section 1]\nversion = 1.2\ndata = hex 0a\n")
  string(APPEND text "[section 4]\ndata = generate settings size=388 seed=${format}\n[section 6]\ndata = text info ${format}\n")
  if(format GREATER 1)
    string(APPEND text "[section 3]\nversion = 6.4.10.0\ndata = hex 33 33\n[section 5]\ndata = hex 55\n")
  endif()
  foreach(extra 7:3 8:4 9:5 10:5 11:6 12:7)
    string(REPLACE ":" ";" pair ${extra})
    list(GET pair 0 section)
    list(GET pair 1 since)
    if(NOT format LESS since)
      string(APPEND text "[section ${section}]\nversion = 1.${section}.0.0\ndata = hex ${section} ${section}\n")
    endif()
  endforeach()
  file(WRITE ${manifest} "${text}")
  add_custom_command(
    OUTPUT ${seed_dir}/format${format}.qup ${seed_dir}/format${format}.record
    COMMAND ${CMAKE_COMMAND} -E make_directory ${seed_dir}
    COMMAND qup-pack ${manifest} ${seed_dir}/format${format}.qup
    COMMAND qup-pack --plain ${manifest} ${seed_dir}/format${format}.record
    DEPENDS qup-pack ${manifest}
    VERBATIM)
  list(APPEND seed_files ${seed_dir}/format${format}.qup ${seed_dir}/format${format}.record)
endforeach()
add_custom_target(fuzz_package_record_seeds ALL DEPENDS ${seed_files})
add_dependencies(fuzz_package_record fuzz_package_record_seeds)
