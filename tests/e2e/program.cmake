# End-to-end tests of the whole program (the jeerkit executable) against the stand-in game.
add_library(jeerkit_e2e_program STATIC ProgramProcess.cpp ProgramProcess.h XWindows.cpp XWindows.h)
target_include_directories(jeerkit_e2e_program PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}
    ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(jeerkit_e2e_program PUBLIC Qt6::Core jeerkit_core jeerkit_ui_tables
    PRIVATE jeerkit_platform X11::X11 X11::Xtst)
target_compile_definitions(jeerkit_e2e_program PRIVATE JK_PROGRAM_EXE="$<TARGET_FILE:jeerkit>")
add_dependencies(jeerkit_e2e_program jeerkit)

jk_add_e2e_test(e2e_program SOURCES tst_program.cpp E2eWait.h LineTable.h ProgramWindows.h
    LIBS jeerkit_e2e_program)
set_tests_properties(e2e_program PROPERTIES TIMEOUT 600)

# jeerkit.exe, the Windows build (tools/dev builds it and passes it here), under Wine against the
# Win32 stand-in game. Without it the test skips, saying why.
set(JEERKIT_WINDOWS_EXE "" CACHE FILEPATH "jeerkit.exe for the Wine end-to-end tests")
jk_add_e2e_test(e2e_wine_program SOURCES tst_wine_program.cpp E2eWait.h LineTable.h ProgramWindows.h
    LIBS jeerkit_e2e_program NO_RUN)
target_compile_definitions(e2e_wine_program PRIVATE JK_WINDOWS_EXE="${JEERKIT_WINDOWS_EXE}"
    JK_WINE64_EXE="${JK_WINE64}")
jk_add_e2e_run(e2e_wine_program EXE e2e_wine_program WINE)
if(TEST e2e_wine_program)
    # Alone: Wine's start-up and the clicks on its windows are slow to settle on a busy machine.
    set_tests_properties(e2e_wine_program PROPERTIES TIMEOUT 900 RUN_SERIAL TRUE
        SKIP_REGULAR_EXPRESSION "the Windows tests are skipped")
endif()
# The same table typed into the Win32 stand-in game under Wine (main window only: the windows'
# buttons are the X11 run's business).
jk_add_e2e_run(e2e_program_wine EXE e2e_program WINE ENV JK_GAME=wine
    ARGS everyWindowSendsExactly:main nestedSendsBothArrive)
