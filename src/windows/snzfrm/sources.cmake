target_sources(windows PRIVATE
    snzfrm/snzfrm.cpp snzfrm/snzfrm.h
)
target_include_directories(windows PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/snzfrm)
