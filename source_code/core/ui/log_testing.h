#pragma once
// Test-only: empty the log ring without writing it and close the log stream,
// so each case starts from a fresh ring and file.
void skyvane_log_reset_for_tests();
