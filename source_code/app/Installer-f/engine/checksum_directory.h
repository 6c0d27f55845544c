#pragma once
// The folder scan: checksums the local copy of every manifest file that concerns this install
// and writes sig_have and local_ok of its current version. Called once per frame from the main
// thread; it never waits.
#include <string>

// One step. next_index starts at 0 and is kept by the caller between calls. Returns 0 while
// running, 1 when finished, 2 after an error (see checksum_get_error; the pipeline stays up
// until checksum_directory_kill). progress = next_index / number of manifest paths.
int checksum_directory(int& next_index, int quick, float& progress);

// The first error of the scan and the full path it concerns.
int checksum_get_error(std::string& path);

// Ends a running scan: waits for the outstanding results (files not yet read are skipped),
// then destroys the stages and queues. Does nothing when no scan runs.
void checksum_directory_kill();

bool checksum_directory_running();
