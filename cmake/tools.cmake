# Host tools.
if(EXISTS ${CMAKE_SOURCE_DIR}/tools/ortavia_sim.cpp)
  add_executable(ortavia-sim tools/ortavia_sim.cpp)
  target_link_libraries(ortavia-sim PRIVATE ortavia_sim)
endif()
