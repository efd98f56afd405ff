# Internals of the X11 backend that need no display.
if(NOT WIN32)
    jk_add_test(tst_x11typingplan SOURCES platform/tst_x11typingplan.cpp LIBS jeerkit_platform)
endif()
