// Counts the operator new calls of a test program while a test asks it to: a program that
// uses these replaces the global operators new and delete.
#pragma once

void CountAllocations(bool on);
void ResetAllocationCount();
long CountedAllocations();
