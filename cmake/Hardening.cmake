# The protections that Debian's packages get from dpkg-buildflags under
# hardening=+all, and the control-flow protection of the processor where it
# has one. Every Linux build has them, so the tests run the program as shipped.
add_compile_options(-fstack-protector-strong -fstack-clash-protection -Wformat
  -Werror=format-security)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|i.86)$")
  add_compile_options(-fcf-protection)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64)$")
  add_compile_options(-mbranch-protection=standard)
endif()
# Fortified functions need the optimiser; a Debug build has none.
add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
# Programs are position-independent by the compiler's default, as on Debian,
# where dpkg-buildflags adds nothing for it.
add_link_options(-Wl,-z,relro,-z,now)
