target_sources(windows PRIVATE
    messagefrm/messagefrm.cpp messagefrm/messagefrm.h
)
target_include_directories(windows PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/messagefrm)
