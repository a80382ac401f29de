# Runs scripts/release.sh into a fresh folder and checks the zip it makes: exactly Corvane.exe
# and ReadMe.txt, the program byte for byte the one built and importing only the libraries it
# needs at start, the read-me the one in res/ with Windows line endings. Where the Linux
# program is built, the tarball beside it holds the program, its icon and its desktop entry in
# one folder, and the Debian package is there too (tests/release/check_deb.sh looks inside it).
# SHA256SUMS names every package made, each with its checksum. Then a release without a built
# program must fail and leave no package.
#
#   cmake -D SCRIPT=... -D WINDOWS_BUILD_DIR=... -D LINUX_BUILD_DIR=... -D README=...
#         -D VERSION_HEADER=... -D WORK_DIR=... -P check_release.cmake

# check(<message> <condition>...): fails the test with the message unless the condition holds.
function(check message)
  if(NOT (${ARGN}))
    message(FATAL_ERROR "${message}")
  endif()
endfunction()

set(dist ${WORK_DIR}/dist)
set(unpacked ${WORK_DIR}/unpacked)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${unpacked})

file(STRINGS ${VERSION_HEADER} version_line REGEX "^#define CORVANE_VERSION_TEXT \"")
string(REGEX REPLACE ".*\"(.*)\".*" "\\1" version "${version_line}")
check("no CORVANE_VERSION_TEXT in ${VERSION_HEADER}" version)
file(STRINGS ${VERSION_HEADER} app_id_line REGEX "^#define CORVANE_APP_ID \"")
string(REGEX REPLACE ".*\"(.*)\".*" "\\1" app_id "${app_id_line}")
check("no CORVANE_APP_ID in ${VERSION_HEADER}" app_id)

execute_process(
  COMMAND ${CMAKE_COMMAND} -E env CORVANE_WINDOWS_BUILD_DIR=${WINDOWS_BUILD_DIR}
          CORVANE_LINUX_BUILD_DIR=${LINUX_BUILD_DIR}
          bash ${SCRIPT} --no-build ${dist}
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE errors)
check("release.sh failed (${result}):\n${output}${errors}" result EQUAL 0)

# The folder holds the packages, named after the version, and their checksums.
set(tarball corvane-${version}-linux-x86_64.tar.gz)
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE arch OUTPUT_STRIP_TRAILING_WHITESPACE)
set(deb corvane_${version}_${arch}.deb)
file(GLOB made RELATIVE ${dist} ${dist}/* ${dist}/.*)
list(SORT made)
list(JOIN made ", " made)
if(EXISTS ${LINUX_BUILD_DIR}/corvane)
  set(packages Corvane-${version}.zip ${tarball} ${deb})
  check("expected Corvane-${version}.zip, SHA256SUMS, ${tarball} and ${deb} in ${dist}, found: ${made}"
        made STREQUAL "Corvane-${version}.zip, SHA256SUMS, ${tarball}, ${deb}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar tzf ${dist}/${tarball}
    RESULT_VARIABLE result OUTPUT_VARIABLE listing ERROR_VARIABLE errors)
  check("cannot list ${tarball}: ${errors}" result EQUAL 0)
  string(STRIP "${listing}" listing)
  string(REPLACE "\n" ";" entries "${listing}")
  list(FILTER entries EXCLUDE REGEX "/$")
  list(SORT entries)
  list(JOIN entries ", " entries)
  set(folder corvane-${version})
  check("the tarball holds [${entries}]"
        entries STREQUAL "${folder}/${app_id}.desktop, ${folder}/corvane, ${folder}/corvane.png")
else()
  set(packages Corvane-${version}.zip)
  check("expected only Corvane-${version}.zip and SHA256SUMS in ${dist}, found: ${made}"
        made STREQUAL "Corvane-${version}.zip, SHA256SUMS")
endif()

# SHA256SUMS: one line a package, "<sha256>  <name>", each checksum that of the file.
file(STRINGS ${dist}/SHA256SUMS sums)
set(named)
foreach(line IN LISTS sums)
  # Matched here, not in check(): the match's groups are set in the scope that matches.
  set(sum)
  if(line MATCHES "^([0-9a-f]+)  ([^/]+)$")
    set(sum ${CMAKE_MATCH_1})
  endif()
  check("SHA256SUMS has a line not in sha256sum's format: '${line}'" sum)
  set(name ${CMAKE_MATCH_2})
  check("SHA256SUMS names ${name}, which is not in ${dist}" EXISTS ${dist}/${name})
  file(SHA256 ${dist}/${name} actual)
  check("SHA256SUMS gives ${name} the checksum ${sum}, but it is ${actual}" sum STREQUAL actual)
  list(APPEND named ${name})
endforeach()
list(SORT named)
list(SORT packages)
check("SHA256SUMS names [${named}], not the packages [${packages}]" named STREQUAL packages)
set(zip ${dist}/Corvane-${version}.zip)

execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${zip}
  RESULT_VARIABLE result OUTPUT_VARIABLE listing ERROR_VARIABLE errors)
check("cannot list ${zip}: ${errors}" result EQUAL 0)
string(STRIP "${listing}" listing)
string(REPLACE "\n" ";" entries "${listing}")
list(SORT entries)
list(JOIN entries ", " entries)
check("the zip holds [${entries}], not exactly Corvane.exe and ReadMe.txt" entries STREQUAL "Corvane.exe, ReadMe.txt")

execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zip}
  WORKING_DIRECTORY ${unpacked} RESULT_VARIABLE result ERROR_VARIABLE errors)
check("cannot unpack ${zip}: ${errors}" result EQUAL 0)

foreach(pair "Corvane.exe|${WINDOWS_BUILD_DIR}/Corvane.exe" "ReadMe.txt|${README}")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 name)
  list(GET pair 1 original)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${unpacked}/${name} ${original} RESULT_VARIABLE differs)
  check("${name} in the zip differs from ${original}" differs EQUAL 0)
endforeach()

# The program links only what the help panel needs at start; the rest of the system (COM and
# OLE, the shell, the common controls and dialogs) is loaded when first used, and an import
# added carelessly would load it with every start again.
find_program(objdump NAMES x86_64-w64-mingw32-objdump objdump REQUIRED)
execute_process(COMMAND ${objdump} -p ${unpacked}/Corvane.exe
  RESULT_VARIABLE result OUTPUT_VARIABLE headers ERROR_VARIABLE errors)
check("${objdump} cannot read Corvane.exe: ${errors}" result EQUAL 0)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
list(TRANSFORM imports REPLACE "DLL Name: " "")
list(TRANSFORM imports TOLOWER)
list(SORT imports)
list(JOIN imports ", " imports)
check("Corvane.exe imports [${imports}], not only gdi32, kernel32, msvcrt and user32"
      imports STREQUAL "gdi32.dll, kernel32.dll, msvcrt.dll, user32.dll")

file(READ ${unpacked}/ReadMe.txt readme)
string(FIND "${readme}" "corvane.ini" at)
check("ReadMe.txt does not mention corvane.ini" NOT at EQUAL -1)
# Line ends, counted on the bytes (file(READ) as text drops carriage returns): every line feed
# follows a carriage return, and no carriage return stands alone.
file(READ ${unpacked}/ReadMe.txt hex HEX)
string(REGEX MATCHALL ".." bytes "${hex}")
list(JOIN bytes " " spaced)
string(REGEX MATCHALL "0d 0a" crlf "${spaced}")
set(lf ${bytes})
list(FILTER lf INCLUDE REGEX "^0a$")
set(cr ${bytes})
list(FILTER cr INCLUDE REGEX "^0d$")
list(LENGTH crlf crlf_count)
list(LENGTH lf lf_count)
list(LENGTH cr cr_count)
check("ReadMe.txt has no CRLF line ends" crlf_count GREATER 0)
check("ReadMe.txt has ${lf_count} line feeds but ${crlf_count} CRLF pairs" lf_count EQUAL crlf_count)
check("ReadMe.txt has ${cr_count} carriage returns but ${crlf_count} CRLF pairs" cr_count EQUAL crlf_count)

# Without a program to pack, the release fails and writes nothing.
set(empty_build ${WORK_DIR}/no-build)
set(failed_dist ${WORK_DIR}/failed-dist)
file(MAKE_DIRECTORY ${empty_build} ${failed_dist})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env CORVANE_WINDOWS_BUILD_DIR=${empty_build}
          CORVANE_LINUX_BUILD_DIR=${empty_build}
          bash ${SCRIPT} --no-build ${failed_dist}
  RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
check("release.sh succeeded without a built Corvane.exe" NOT result EQUAL 0)
file(GLOB left RELATIVE ${failed_dist} ${failed_dist}/* ${failed_dist}/.*)
check("a failed release left [${left}] in ${failed_dist}" NOT left)
