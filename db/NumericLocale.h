#pragma once

// Numbers the C library and the ODBC driver write as text (a numeric value fetched as
// text, a number in a workbook's XML) must carry a decimal point whatever the desktop's
// language: under a Russian desktop they would carry a comma, which our readers do not
// take. Sets the process's LC_NUMERIC to "C" (Qt sets the whole locale from the
// environment when the application object is made); cheap when it already is.
void useCNumericLocale();
