target_sources(windows PRIVATE
    volfrm/volfrm.cpp volfrm/volfrm.h
)
target_include_directories(windows PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/volfrm)
