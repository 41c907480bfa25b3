#pragma once
namespace startup {
// Before the application object: enter the (simulated) board, seed it when new.
void prepareBoard();
// After it: fonts, cursor, translator of the stored language.
void prepareApplication();
}   // namespace startup
