// The third-party label package "RZ21ND50" as a library of its own, so a package that requires
// it finds it the way the IDE would; its label, TRzLabel, is in RzLabel.
extern "C" const char* RZ21ND50_PackageName() { return "RZ21ND50"; }
