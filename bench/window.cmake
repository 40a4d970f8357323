# The desktop window: start-up with a full package folder, and how long its thread stalls
# while a simulated update runs in real time. Prints both figures.
if(TARGET quorfw_gui)
  find_package(Qt6 REQUIRED COMPONENTS Test Widgets)
  add_executable(bench_window window.cpp)
  target_include_directories(bench_window PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(bench_window PRIVATE quorfw_gui quorfw_sim quorfw_package_writer Qt6::Test)
endif()
