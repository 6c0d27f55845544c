#pragma once
// Test seam of the semaphore's timed wait: called on the waiting thread after the
// kernel wait timed out and before the unit is given back, so a test can land an
// increment in exactly that window. Null (the default) in the program.
struct UTL_semaphore;
typedef void (*UTL_semaphore_timeout_fn)(UTL_semaphore* s);
extern UTL_semaphore_timeout_fn UTL_semaphore_timeout_seam;
