target_sources(windows PRIVATE
    aboutfrm/aboutfrm.cpp aboutfrm/aboutfrm.h
    aboutfrm/linklabel.cpp aboutfrm/linklabel.h
)
target_include_directories(windows PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/aboutfrm)
