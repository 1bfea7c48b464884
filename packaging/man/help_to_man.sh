#!/bin/sh
# Writes dmtool's manual from its template and the help that dmtool prints, so that the two
# cannot say different things. The template's lines '.\" dmtool help: synopsis', '... tool' and
# '... commands' become the usage lines of the commands, the tool's help and each command's help.
# Arguments: dmtool, template, output.
set -eu
dmtool=$1
template=$2
output=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$dmtool" --help >"$work/tool"
# The commands are those that the tool's help lists.
commands=$(sed -n '/^Commands:$/,/^$/s/^  \([a-z][a-z]*\) .*/\1/p' "$work/tool")
for command in $commands; do
    "$dmtool" "$command" --help >"$work/$command"
done

# A help text is paragraphs separated by blank lines: a usage ("Usage: ..."), prose, and lists
# whose entries start two spaces in, with their descriptions in a column of their own.
awk -v work="$work" -v commands="$commands" '
function roff(text) {
    gsub(/\\/, "\\e", text)
    gsub(/-/, "\\-", text)
    return text ~ /^[.\047]/ ? "\\&" text : text
}
function trim(text) {
    sub(/^ +/, "", text)
    sub(/ +$/, "", text)
    return text
}
function load(file,    line) {
    count = 0
    while ((getline line < file) > 0)
        lines[++count] = line
    close(file)
}
# Where the description starts after a gap of two or more spaces; none inside brackets.
function gapEnd(line,    i, depth, c) {
    depth = 0
    for (i = 3; i < length(line); i++) {
        c = substr(line, i, 1)
        depth += (c == "[") - (c == "]")
        if (depth == 0 && substr(line, i, 2) == "  ") {
            while (substr(line, i, 1) == " ")
                i++
            return i
        }
    }
    return 0
}
function bracketDepth(text,    i, depth) {
    depth = 0
    for (i = 1; i <= length(text); i++)
        depth += (substr(text, i, 1) == "[") - (substr(text, i, 1) == "]")
    return depth
}
function descriptionColumn(first, last,    i) {
    for (i = first; i <= last; i++) {
        if (lines[i] ~ /^  [^ ]/ && gapEnd(lines[i]) > 0)
            return gapEnd(lines[i])
        if (lines[i] ~ /^   +[^ ]/) {
            match(lines[i], /^ +/)
            return RLENGTH + 1
        }
    }
    return 0
}
# An entry with one space before its description has it at the column; a term that reaches past
# the column has its description on the next line.
function entry(line, column,    cut) {
    cut = gapEnd(line)
    if (cut == 0 && column > 0 && substr(line, column - 1, 1) == " " &&
        bracketDepth(substr(line, 1, column - 1)) == 0)
        cut = column
    if (cut == 0)
        cut = length(line) + 1
    print ".TP"
    print "\\fB" roff(trim(substr(line, 3, cut - 3))) "\\fR"
    if (trim(substr(line, cut)) != "")
        print roff(trim(substr(line, cut)))
}
# A paragraph opens with .PP unless it opens its section.
function paragraph(first, last,    i, column, prose) {
    column = descriptionColumn(first, last)
    for (i = first; i <= last; i++) {
        if (lines[i] !~ /^ /) {
            if (!prose && started)
                print ".PP"
            prose = 1
            print roff(lines[i])
        } else if (lines[i] ~ /^  [^ ]/) {
            prose = 0
            entry(lines[i], column)
        } else {
            print roff(trim(lines[i]))
        }
    }
}
function usage(first, last,    i, text) {
    text = substr(lines[first], length("Usage: ") + 1)
    for (i = first + 1; i <= last; i++)
        text = text " " trim(lines[i])
    return roff(text)
}
# Calls `part` for each paragraph of the help in `file`.
function eachParagraph(file, part,    i, first) {
    load(work "/" file)
    first = 1
    started = 0
    for (i = 1; i <= count + 1; i++) {
        if (i <= count && lines[i] != "")
            continue
        if (i > first) {
            if (lines[first] ~ /^Usage: /) {
                if (part == "synopsis")
                    print usage(first, i - 1) "\n.br"
                else if (part == "command")
                    print "\\fB" usage(first, i - 1) "\\fR"
                started = part == "command"
            } else if (part != "synopsis") {
                paragraph(first, i - 1)
                started = 1
            }
        }
        first = i + 1
    }
}
/^\.\\" dmtool help: / {
    n = split(commands, names, " ")
    if ($NF == "tool")
        eachParagraph("tool", "tool")
    for (k = 1; k <= n; k++) {
        if ($NF == "synopsis")
            eachParagraph(names[k], "synopsis")
        else if ($NF == "commands") {
            print ".SS " names[k]
            eachParagraph(names[k], "command")
        }
    }
    next
}
{ print }
' "$template" >"$output"
