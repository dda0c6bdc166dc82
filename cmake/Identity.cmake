# The component's identity, in one place: the type library
# (addin/win32/Quillet.idl.in), the registration and the installer's registry
# rows (packaging/Registry.rows.in), the version resource and the installer
# take it from here.
# The identifiers of its type library, of the class and of the class's
# interface:
set(QUILLET_LIBID 47FA6911-03E2-4C19-8D05-C0456F480BDA)
set(QUILLET_CLSID DAC79461-D9EB-4E73-8AD3-736C07D1697C)
set(QUILLET_IID 51E531CF-ADD2-49E0-A0F2-B8E9A0DBEA7E)
# Their names; the ProgID is the library's name, a full stop, then the class's.
set(QUILLET_LIBRARY_NAME TarnwickFindReplace)
set(QUILLET_CLASS_NAME Connect)
set(QUILLET_INTERFACE_NAME _Connect)
set(QUILLET_PROGID ${QUILLET_LIBRARY_NAME}.${QUILLET_CLASS_NAME})
# The type library's version and its description (its help string, which
# the installer shows as its comments).
set(QUILLET_LIBRARY_VERSION 1.0)
set(QUILLET_LIBRARY_DESCRIPTION "Find and Replace across multiple text boxes")
# The add-in's entry in the host's list of add-ins; the installer takes the
# friendly name for its title, and a signature for its description.
set(QUILLET_FRIENDLY_NAME "Tarnwick Find/Replace Add-in")
set(QUILLET_ADDIN_DESCRIPTION "This add-in lets you search and replace across an entire publication \
rather than just a single story using Publisher 2002.")
# The product and its maker, in the version resource and the installer.
set(QUILLET_PRODUCT_NAME Quillet)
set(QUILLET_COMPANY_NAME "Quillet Developers")
# The installers' own: the same from version to version, so that a newer
# package replaces an older one.
set(QUILLET_UPGRADE_CODE 36EEFFBC-CFF2-4ADF-BDD7-1EF2338580CF)
set(QUILLET_USER_PROGRAMS_COMPONENT 5DDB5A65-7EC5-4A48-ACAC-C78977E01A50)

# The component's own version is the project's; in the words of the version
# resource: major, minor in two digits, revision in four (1.00.0001).
function(quillet_digits out number width)
  string(REPEAT "0" ${width} zeros)
  string(LENGTH "${zeros}${number}" length)
  math(EXPR from "${length} - ${width}")
  string(SUBSTRING "${zeros}${number}" ${from} ${width} digits)
  set(${out} ${digits} PARENT_SCOPE)
endfunction()
quillet_digits(minor ${PROJECT_VERSION_MINOR} 2)
quillet_digits(revision ${PROJECT_VERSION_TWEAK} 4)
set(QUILLET_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${minor}.${revision}")
