target_sources(windows PRIVATE
    mainfrm/commondialog.cpp mainfrm/commondialog.h
    mainfrm/mainfrm.cpp mainfrm/mainfrm.h
)
target_include_directories(windows PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/mainfrm)
