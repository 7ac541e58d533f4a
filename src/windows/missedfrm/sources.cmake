target_sources(windows PRIVATE
    missedfrm/missedfrm.cpp missedfrm/missedfrm.h
)
target_include_directories(windows PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/missedfrm)
