#!/usr/bin/env bash
# The Windows installer and the portable zip, under Wine (the windows
# preset's environment). A trap uninstalls whatever fails.
#
#   windows_packages_test.sh MSI ZIP
set -u
msi=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
zip=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
# shellcheck source=tests/e2e/checks.sh
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/checks.sh"
enter_scratch
wine=$(command -v wine || command -v wine64)

unix_of() { "$wine" winepath -u "$1" 2>/dev/null | tr -d '\r'; }
program_files=$(unix_of 'C:\Program Files')
# The installer asks for the Start menu of all users; this Wine puts its
# shortcuts into the user's own.
shortcuts=("$(unix_of 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs')/Quorlix.lnk"
           "$(unix_of "$("$wine" cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')")/Microsoft/Windows/Start Menu/Programs/Quorlix.lnk")
shortcut_there() { test -f "${shortcuts[0]}" || test -f "${shortcuts[1]}"; }
installed=$program_files/Quorlix
product_code=$(msiinfo export "$msi" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p')
uninstall_key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$product_code"

check "the installer has a product code" test -n "$product_code"
check "Program Files is found" test -d "$program_files"
if [ -e "$installed" ]; then
    echo "skipped: $installed exists already; it is left alone"
    exit 77
fi

msi_windows="Z:${msi//\//\\}"
installed_here=
uninstall() {
    if [ -n "$installed_here" ]; then "$wine" msiexec /x "$msi_windows" /qn >/dev/null 2>&1; fi
    installed_here=
}
trap 'uninstall; chmod -R u+w "$scratch" 2>/dev/null; rm -rf "$scratch"' EXIT
trap 'exit 1' INT TERM

installed_here=1
"$wine" msiexec /i "$msi_windows" /qn >install.log 2>&1
check "msiexec /i /qn succeeds" test $? -eq 0
for file in quorlix.exe quorlix-cli.exe README.md LICENSE.txt; do
    check "the installer puts $file in Program Files\\Quorlix" test -f "$installed/$file"
done
check "the Start menu has the shortcut" shortcut_there
"$wine" reg query "$uninstall_key" /v DisplayName >reg.txt 2>&1
check "Add/Remove Programs lists Quorlix" grep -q 'Quorlix' reg.txt

printf '<p>page</p>\n' >page.html
"$wine" "C:\\Program Files\\Quorlix\\quorlix-cli.exe" -q "Z:${scratch//\//\\}\\page.html" >run.log 2>&1
check "the installed command line converts a page" test $? -eq 0
check "... into the converted bytes" cmp -s page.html <(printf '<p>page</p>\r\n')
"$wine" "C:\\Program Files\\Quorlix\\quorlix-cli.exe" --version >version.txt 2>&1
check "the installed command line tells its version" grep -q '^quorlix (Quorlix) ' version.txt

"$wine" msiexec /x "$msi_windows" /qn >uninstall.log 2>&1
check "msiexec /x /qn succeeds" test $? -eq 0
installed_here=
check "nothing is left in Program Files" test ! -e "$installed"
check "the shortcut is gone" test ! -e "${shortcuts[0]}" -a ! -e "${shortcuts[1]}"
"$wine" reg query "$uninstall_key" >/dev/null 2>&1
check "the Add/Remove Programs entry is gone" test $? -ne 0
"$wine" reg query 'HKLM\Software\Quorlix' >/dev/null 2>&1
check "the installer's registry key is gone" test $? -ne 0

unzip -Z1 "$zip" | sort >zip.txt
name=$(basename "$zip" -windows.zip)
check "the zip holds both programs, the README and the licence in one folder" \
    test "$(cat zip.txt)" = "$(printf '%s\n' "$name/" "$name/LICENSE.txt" "$name/README.md" "$name/quorlix-cli.exe" "$name/quorlix.exe" | sort)"
unzip -q "$zip" -d unzipped
"$wine" "unzipped/$name/quorlix-cli.exe" --version >zip-version.txt 2>&1
check "the zip's command line runs" grep -q '^quorlix (Quorlix) ' zip-version.txt
checks_done "Windows package checks"
