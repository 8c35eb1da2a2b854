# The dialog runner under Wine, with the tests' own dialog templates as resources: once in
# the default locale (no copy) and once under code page 932 (the GUI font in a copy).
enable_language(RC)
kelvora_wine_test(dialog_runner_test
    SOURCES dialog_runner_test.cpp dialog_runner_test.rc
    LIBS kelvora_runner
    ARGS --gtest_filter=RunnerAnyLocale.*:RunnerSingleByte.*)
kelvora_wine_test_run(dialog_runner_test_cp932 dialog_runner_test CP932
    ARGS --gtest_filter=RunnerAnyLocale.*:RunnerDoubleByte.*)
kelvora_wine_test(dialog_template_wine_test
    SOURCES dialog_template_test.cpp template_builder.cpp
    LIBS kelvora_template_core)
