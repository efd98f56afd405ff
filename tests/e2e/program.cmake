# End-to-end tests of the whole program (the jeerkit executable) against the stand-in game.
add_library(jeerkit_e2e_program STATIC ProgramProcess.cpp ProgramProcess.h XWindows.cpp XWindows.h)
target_include_directories(jeerkit_e2e_program PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}
    ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(jeerkit_e2e_program PUBLIC Qt6::Core jeerkit_core
    PRIVATE jeerkit_platform X11::X11 X11::Xtst)
target_compile_definitions(jeerkit_e2e_program PRIVATE JK_PROGRAM_EXE="$<TARGET_FILE:jeerkit>")
add_dependencies(jeerkit_e2e_program jeerkit)

jk_add_e2e_test(e2e_program SOURCES tst_program.cpp E2eWait.h LineTable.h LIBS jeerkit_e2e_program)
set_tests_properties(e2e_program PROPERTIES TIMEOUT 600)
