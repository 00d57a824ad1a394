#pragma once
// The model preset from the built-in image's file name: the text before the
// first '_' names the model. Every front end calls this at start-up.

// Copies the name's model prefix into selectedPLC and selects that row; when
// the prefix names no catalogue model, selects `fallback` (the first entry of
// the front end's sorted model list) instead. Returns true when the prefix
// named a model. Never writes past selectedPLC, however long the file name.
bool PresetModelFromImageName(const char* fileName, const char* fallback);
