# The Windows that this build is for, from its toolchain
# (cmake/mingw-w64-PROCESSOR.cmake), in the words that each tool has for it;
# packaging/identity.sh.in hands them on to the scripts:
#   CMAKE_SYSTEM_PROCESSOR  i686 or x86_64, the toolchain's processor
#   QUILLET_BITS            32 or 64, the pointer size
#   QUILLET_WINDOWS         win32 or win64: widl's target, the type library's
#                           key in the registry, and Wine's prefix
#   QUILLET_ARCH            x86 or x64: Windows Installer's platform, and the
#                           name of the installer and of the release's folder
math(EXPR QUILLET_BITS "${CMAKE_SIZEOF_VOID_P} * 8")
set(QUILLET_WINDOWS win${QUILLET_BITS})
if(QUILLET_BITS EQUAL 64)
  set(QUILLET_ARCH x64)
else()
  set(QUILLET_ARCH x86)
endif()
