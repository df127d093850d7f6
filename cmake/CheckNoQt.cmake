# Fails when one of the given files includes a Qt header. The core library must stay free of
# Qt so that it builds and is tested without any window system.
#
#   cmake -DFILES="a.cpp;b.h" -P CheckNoQt.cmake
set(qt_include_pattern "#[ \t]*include[ \t]*[<\"](Qt[A-Za-z0-9]*/|Q[A-Z][A-Za-z0-9]*[>\"]|q[a-z0-9_]+\\.h[>\"])")
set(offenders "")
foreach(file IN LISTS FILES)
  file(STRINGS "${file}" lines REGEX "${qt_include_pattern}")
  if(lines)
    list(APPEND offenders "${file}: ${lines}")
  endif()
endforeach()
if(offenders)
  list(JOIN offenders "\n  " report)
  message(FATAL_ERROR "tonarion_core must not include Qt headers:\n  ${report}")
endif()
