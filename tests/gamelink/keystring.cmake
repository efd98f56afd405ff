jk_add_test(tst_keystring SOURCES tst_keystring.cpp LIBS jeerkit_core)
