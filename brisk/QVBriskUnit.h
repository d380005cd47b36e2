// The initialization and finalization sections of the typing-sound expert's unit, run by the
// package's entry points in unit-table order.
#pragma once

void QVBrisk_Initialize();
void QVBrisk_Finalize();
