#!/bin/sh
# tarovent-admin report on a demo family. $1: the tarovent-admin program.
admin="$1"
d=$(mktemp -d)
trap 'rm -rf "$d"' EXIT
fail() { echo "$*"; cat "$d/o" 2>/dev/null; exit 1; }
"$admin" demo "$d/f" >/dev/null || fail "demo"

# Won quotes are listed without their affair; the PDF's path on the last line.
"$admin" report "$d/f" FRENTA --won --pdf "$d/r.pdf" >"$d/o" || fail "FRENTA --won"
tail -1 "$d/o" | grep -qx "$d/r.pdf" || fail "no PDF path"
rows=$(grep -cP '^[A-Z]+\t\d+\t\d+\t\d\d/\d\d/\d{4}\t[\d.]+\t[^\t]+\t' "$d/o")
[ "$rows" -gt 0 ] && [ "$rows" -eq $(($(wc -l <"$d/o") - 1)) ] || fail "rows of won quotes"
grep -qP '\tAF' "$d/o" && fail "an affair written among won quotes"
won=$rows
if command -v pdftotext >/dev/null; then
  pdftotext "$d/r.pdf" - | grep -q 'Page 1 / ' || fail "page numbers"
  pdftotext "$d/r.pdf" - | grep -q 'Total général' || fail "grand total"
fi
# All quotes: the won ones, and only they, carry their affair.
"$admin" report "$d/f" FRENTA >"$d/o" || fail "FRENTA"
[ "$(grep -cP '\tAF[\d-]+\t\d\d/\d\d/\d{4}$' "$d/o")" -eq "$won" ] || fail "affairs of all quotes"
# Lost quotes never carry an affair.
"$admin" report "$d/f" FRENTA --lost >"$d/o" || fail "FRENTA --lost"
grep -qP '\tAF' "$d/o" && fail "an affair among lost quotes"

# The window's messages, status 1.
"$admin" report "$d/f" FRENTA --from 02/01/2025 --to 01/01/2025 >"$d/o" && fail "out of order"
grep -qx 'Dates dans le désordre' "$d/o" || fail "out of order message"
"$admin" report "$d/f" FRENTA --client NOBODY >"$d/o" && fail "nobody"
grep -qx 'Aucun devis à traiter' "$d/o" || fail "empty message"

# Order costs: rows, then the averages.
"$admin" report "$d/f" FLSTAFF --from 01/01/2000 --to 31/12/2100 >"$d/o" || fail "FLSTAFF"
tail -1 "$d/o" | grep -qP '^Moyennes(\t[-\d .,]*){5}$' || fail "averages"
[ "$(wc -l <"$d/o")" -gt 3 ] || fail "orders"
"$admin" report "$d/f" FLSTAFF --from 01/01/1990 --to 31/12/1990 >"$d/o" && fail "no order"
grep -qx 'Aucune affaire trouvée pour la sélection.' "$d/o" || fail "no order message"
exit 0
