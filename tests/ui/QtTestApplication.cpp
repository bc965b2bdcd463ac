// The ui tests need nothing beyond a plain application.
#include <QtTestApplication.h>

void prepareTestApplication(QApplication& /*app*/) {}
