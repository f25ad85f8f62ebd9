// A library that is no automation server: it has no DllGetClassObject.
extern "C" int qmNoEntryLibrary() { return 1; }
