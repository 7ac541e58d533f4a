# Tests of the pictures and desktop files; include() this from tests/CMakeLists.txt after
# add_qt_test() is defined and the resources target exists.
add_qt_test(tst_resources resources Qt6::Gui)
add_test(NAME desktop-files COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/desktop-files.sh)
set_tests_properties(desktop-files PROPERTIES LABELS unit)
