// The third-party label package "RZ21ND50" as a library of its own, so a package that requires
// it finds it the way the IDE would; its label class arrives with the dialog that uses it.
extern "C" const char* RZ21ND50_PackageName() { return "RZ21ND50"; }
