// One QApplication for a whole test run, made before the first test and gone after the last.
#pragma once

class QApplication;

// Defined by each test binary: what its application needs right after it is made.
void prepareTestApplication(QApplication& app);
