# Validates the desktop entry and the metainfo; include() this from tests/CMakeLists.txt.
add_test(NAME desktop-files COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/desktop-files.sh)
set_tests_properties(desktop-files PROPERTIES LABELS unit)
