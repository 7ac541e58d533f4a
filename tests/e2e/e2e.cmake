# End-to-end scenarios: the real program on the virtual test desktop, driven from outside
# through AT-SPI, clicks and keystrokes. A failing scenario leaves a screenshot and the program's
# output in tests/e2e/ of the build folder and prints their paths.
set(E2E_SCENARIOS typical_alarm time_entry_errors display_message shutdown open_file tray volume
    accessible_names)
foreach(scenario IN LISTS E2E_SCENARIOS)
    add_desktop_test(e2e_${scenario} FLAGS --all
        COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/e2e/scenarios.py
            --program $<TARGET_FILE:wakemere> --output ${CMAKE_CURRENT_BINARY_DIR}/e2e
            ${scenario})
    set_tests_properties(e2e_${scenario} PROPERTIES LABELS e2e TIMEOUT 240)
endforeach()

# Sleep and wake-up: python3-dbusmock's logind and systemd stand in for the real ones, so the
# test desktop's own fake logind stays out.
foreach(scenario IN ITEMS sleep_woken sleep_refused)
    add_desktop_test(e2e_${scenario} FLAGS --x --wm --tray --atspi --pulse --system-bus --xdg
        COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/e2e/scenarios.py
            --program $<TARGET_FILE:wakemere> --output ${CMAKE_CURRENT_BINARY_DIR}/e2e
            ${scenario})
    set_tests_properties(e2e_${scenario} PROPERTIES LABELS e2e TIMEOUT 240)
endforeach()
