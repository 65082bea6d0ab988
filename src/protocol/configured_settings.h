// The parts of the protocols' start-up that apply the configuration file's
// settings the same way for UCI and XBoard.
#pragma once

namespace talvik {

class Engine;

// With Book = 1, loads the configured book and takes its selectivity. A book
// that cannot be read leaves the book off; Book stays 1, so that a book file
// the GUI names later through its option is opened.
void openConfiguredBook(Engine& engine);
// Opens the endgame tables of the configured SyzygyPath, if any.
void openConfiguredTables(Engine& engine);
// With UsePersonality on, loads the configured personality file.
void loadConfiguredPersonality(Engine& engine);
// Starts the configured number of search threads and sets the split depth.
void startConfiguredThreads(Engine& engine);

}  // namespace talvik
