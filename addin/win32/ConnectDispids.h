#pragma once

// _Connect's DISPIDs, as its type library publishes them: widl reads them
// when it compiles the type library (Quillet.idl.in), and
// ComConnect.cpp dispatches the members under them. Macros, the only
// constants that the IDL's preprocessor and C++ share.

#define DISPID_CONNECT_PUBAPP 0x40030000
#define DISPID_CONNECT_CBBFIND 0x40030002
#define DISPID_CONNECT_CBBREPLACE 0x40030003
#define DISPID_CONNECT_ADDTOOLBAR 0x60030002
