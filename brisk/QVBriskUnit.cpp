// The typing-sound expert's unit sections; its settings start zeroed by their definitions.
#include "QVBriskUnit.h"

#include "QVBrisk.h"

void QVBrisk_Initialize() {}

// Releases the strings of the settings record; nothing is written to the registry at unload.
void QVBrisk_Finalize() {
  ExpertParams.WaveKey.clear();
  ExpertParams.WaveKey.shrink_to_fit();
  ExpertParams.WaveEnter.clear();
  ExpertParams.WaveEnter.shrink_to_fit();
  ExpertParams.WaveBackspace.clear();
  ExpertParams.WaveBackspace.shrink_to_fit();
}
