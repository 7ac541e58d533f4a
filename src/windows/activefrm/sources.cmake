target_sources(windows PRIVATE
    activefrm/activefrm.cpp activefrm/activefrm.h
)
target_include_directories(windows PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/activefrm)
