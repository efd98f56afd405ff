# Internals of the desktop backends that need no display.
if(NOT WIN32)
    jk_add_test(tst_x11keysyms SOURCES platform/tst_x11keysyms.cpp LIBS jeerkit_platform)
    jk_add_test(tst_x11typingplan SOURCES platform/tst_x11typingplan.cpp platform/FakeLayout.h
        LIBS jeerkit_platform)
endif()
