# Tab completion for varnek-cli (bash).
# Commands, options and an option's choices are read from the program's own
# --help, so a new option completes without a change here; rig names come
# from "varnek-cli rigs", --port from the serial devices that are there.
# Needs nothing of the bash-completion package's helpers.

# The serial devices matching $1: adapters by their stable names first;
# the built-in ports (/dev/ttyS*, mostly not wired) only when asked for or
# when nothing else is there. COM1..COM25 are the settings' own names.
_varnek_cli_ports() {
  local cur=$1 d
  for d in /dev/serial/by-id/* /dev/ttyUSB* /dev/ttyACM*; do
    [[ -e $d && $d == "$cur"* ]] && COMPREPLY+=("$d")
  done
  if [[ $cur == /dev/ttyS* || ${#COMPREPLY[@]} -eq 0 && -z $cur ]]; then
    for d in /dev/ttyS*; do
      [[ -e $d && $d == "$cur"* ]] && COMPREPLY+=("$d")
    done
  fi
  if [[ -n $cur && COM == "${cur^^}"* || ${cur^^} == COM* ]]; then
    for d in COM{1..25}; do
      [[ $d == "${cur^^}"* ]] && COMPREPLY+=("$d")
    done
  fi
  # A link to a simulated rig (/tmp/rig) or a file in the current folder.
  if [[ ${#COMPREPLY[@]} -eq 0 ]]; then
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
  fi
}

# Adds the lines of $2 that start with $1 (no expansion of the lines).
_varnek_cli_matching() {
  local cur=$1 line
  while IFS= read -r line; do
    [[ -n $line && $line == "$cur"* ]] && COMPREPLY+=("$line")
  done <<<"$2"
}

_varnek_cli() {
  local prog=${COMP_WORDS[0]} cur=${COMP_WORDS[COMP_CWORD]} prev="" i
  COMPREPLY=()
  # The program as typed, when it runs from there (./build/bin/varnek-cli).
  prog=${prog/#\~/$HOME}
  [[ -x $prog ]] || prog=varnek-cli
  ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
  # "--rig=Ken": bash splits at the =.
  if [[ $cur == = ]]; then
    cur=""
  elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then
    prev=${COMP_WORDS[COMP_CWORD - 2]}
  fi

  local top
  top=$("$prog" --help 2>/dev/null) || return 0
  local commands
  commands=$(sed -n '/^Subcommands:/,/^$/s/^  \([a-z][a-z-]*\)  .*/\1/p' <<<"$top")

  # The command is the first word that is neither an option nor the value of
  # one; options that take a value show a type after their name in --help.
  local command="" word skip=0
  for ((i = 1; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    if ((skip)); then
      skip=0
    elif [[ $word == -* ]]; then
      [[ $word != *=* && ${COMP_WORDS[i + 1]} != = ]] &&
        grep -qE "^ +(-[a-z],)?$word [A-Z]" <<<"$top" && skip=1
    elif [[ $word != = ]] && grep -qxF -- "$word" <<<"$commands"; then
      command=$word
      break
    fi
  done
  local help=$top
  [[ -n $command ]] && help+=$'\n'$("$prog" "$command" --help 2>/dev/null)

  # The value of the option before the cursor.
  local usage
  if [[ $prev == --* ]]; then
    usage=$(grep -m1 -E "^ +(-[a-z],)?$prev [A-Z]" <<<"$help")
  fi
  if [[ -n $usage ]]; then
    local plain=${cur//\\ / }
    plain=${plain#[\"\']}
    case $prev in
      --rig)
        _varnek_cli_matching "$plain" "$("$prog" rigs 2>/dev/null)"
        # Lets bash quote the blank in "Kenwood TS-570".
        compopt -o filenames 2>/dev/null
        ;;
      --port)
        _varnek_cli_ports "$cur"
        compopt -o filenames 2>/dev/null
        ;;
      *)
        if [[ $usage =~ \{([^}]*)\} ]]; then
          _varnek_cli_matching "$cur" "${BASH_REMATCH[1]//,/$'\n'}"
        elif [[ $usage =~ ^\ +--[a-z-]+\ DIR ]]; then
          mapfile -t COMPREPLY < <(compgen -d -- "$cur")
          compopt -o filenames 2>/dev/null
        elif [[ $usage =~ ^\ +--[a-z-]+\ FILE ]]; then
          mapfile -t COMPREPLY < <(compgen -f -- "$cur")
          compopt -o filenames 2>/dev/null
        fi
        ;;
    esac
    return 0
  fi

  if [[ $cur == -* ]]; then
    _varnek_cli_matching "$cur" "$(grep -oE '^ +(-[a-z],)?--[a-z][a-z-]*' <<<"$help" |
      sed -E 's/^ +(-[a-z],)?//' | sort -u)"
  elif [[ -z $command ]]; then
    _varnek_cli_matching "$cur" "$commands"
  else
    # The commands that name a file: import, export, restore (or "last").
    case $command in
      import | export | restore)
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        [[ $command == restore && last == "$cur"* ]] && COMPREPLY+=(last)
        compopt -o filenames 2>/dev/null
        ;;
    esac
  fi
  return 0
}
complete -F _varnek_cli varnek-cli
