# The completion code; the tables above say which words there are.

# The line up to the word being completed, as the program reads it: bash splits "--set group=Work" and
# "--format=json" at "=" (and ":"), which are joined again.
_qbw_read_line() {
    _qbw_line=()
    local i word
    for ((i = 0; i <= COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if ((${#_qbw_line[@]} > 1)) && [[ $word == [=:] || ${_qbw_line[-1]} == *[=:] ]]; then
            _qbw_line[-1]+=$word
        else
            _qbw_line+=("$word")
        fi
    done
}

# From the words before the one being completed: the command, its arguments (the words that are no
# options nor their values), and the home folder that --home names.
_qbw_read_command() {
    _qbw_command='' _qbw_home='' _qbw_given=()
    local i word last=$((${#_qbw_line[@]} - 1))
    for ((i = 1; i < last; i++)); do
        word=${_qbw_line[i]}
        case $word in
        --home=*) _qbw_home=${word#--home=} ;;
        -*=*) ;;
        -*)
            if [[ " ${_qbw_valued[*]} " == *" $word "* ]] && ((i + 1 < last)); then
                ((i++))
                [[ $word == --home ]] && _qbw_home=${_qbw_line[i]}
            fi
            ;;
        *) if [[ -z $_qbw_command ]]; then _qbw_command=$word; else _qbw_given+=("$word"); fi ;;
        esac
    done
    [[ $_qbw_home == "~"* ]] && _qbw_home=$HOME${_qbw_home#"~"}
}

# A kind as the tables name it: "FavoritesWidget" and "favorites" as "favorites".
_qbw_short_kind() {
    local kind=${1,,}
    [[ $kind == ?*widget ]] && kind=${kind%widget}
    printf '%s' "$kind"
}

# The kinds named on the line, or every kind when render names none.
_qbw_line_kinds() {
    local argument
    for argument in "${_qbw_given[@]}"; do _qbw_short_kind "$argument" && echo; done
    if ((${#_qbw_given[@]} == 0)); then
        for argument in "${!_qbw_parameters[@]}"; do echo "$argument"; done
    fi
}

# A parameter's values as `options KIND PARAM` gives them (the id before the tab), for each kind on the
# line that has the parameter.
_qbw_parameter_values() {
    local name=$1 kind program=${_qbw_line[0]}
    [[ $program == "~"* ]] && program=$HOME${program#"~"}
    while IFS= read -r kind; do
        [[ " ${_qbw_parameters[$kind]} " == *" $name "* ]] || continue
        "$program" ${_qbw_home:+--home "$_qbw_home"} options "$kind" "$name" --format text 2>/dev/null |
            cut -f1
    done < <(_qbw_line_kinds)
}

# The values of OPTION that start with VALUE, one a line; "files" or "directories" when the shell's own
# file completion should answer.
_qbw_option_values() {
    local option=$1 value=$2 kind name
    case ${_qbw_values[$option]} in
    formats) printf '%s\n' ${_qbw_formats[${_qbw_command:-render}]} ;;
    families) printf '%s\n' "${_qbw_families[@]}" ;;
    modes) printf '%s\n' "${_qbw_modes[@]}" ;;
    parameters)
        if [[ $value == *=* ]]; then
            name=${value%%=*}
            _qbw_parameter_values "$name" | while IFS= read -r value; do printf '%s=%s\n' "$name" "$value"; done
        else
            while IFS= read -r kind; do printf '%s=\n' ${_qbw_parameters[$kind]}; done < <(_qbw_line_kinds) | sort -u
        fi
        ;;
    directories | files) echo "${_qbw_values[$option]}" ;;
    esac
}

# The words that may stand where the word being completed is, when it is not an option's value.
_qbw_next_words() {
    local count=${#_qbw_given[@]}
    if [[ -z $_qbw_command ]]; then
        printf '%s\n' "${_qbw_commands[@]}" help
        return
    fi
    case $_qbw_command in help) ((count == 0)) && printf '%s\n' "${_qbw_commands[@]}" && return ;; esac
    case ${_qbw_arguments[$_qbw_command]} in
    kind) ((count == 0)) && printf '%s\n' "${_qbw_kinds[@]}" ;;
    kinds) printf '%s\n' "${_qbw_kinds[@]}" ;;
    'kind parameter')
        ((count == 0)) && printf '%s\n' "${_qbw_kinds[@]}"
        ((count == 1)) && printf '%s\n' ${_qbw_parameters[$(_qbw_short_kind "${_qbw_given[0]}")]}
        ;;
    shell) ((count == 0)) && printf '%s\n' "${_qbw_shells[@]}" ;;
    esac
}

_quillbrook_widgets() {
    local _qbw_line _qbw_command _qbw_home _qbw_given
    _qbw_read_line
    _qbw_read_command
    local current=${_qbw_line[-1]} previous=${_qbw_line[-2]} option='' value='' candidates
    # What bash replaces: the text after the last "=" or ":" of the word.
    local typed=${COMP_WORDS[COMP_CWORD]}
    [[ $typed == [=:] ]] && typed=''
    if [[ $current == -*=* ]]; then
        option=${current%%=*} value=${current#*=}
    elif [[ $previous == -* && $previous != *=* && " ${_qbw_valued[*]} " == *" $previous "* ]]; then
        option=$previous value=$current
    fi
    if [[ -n $option ]]; then
        candidates=$(_qbw_option_values "$option" "$value")
        case $candidates in
        directories | files)
            [[ $candidates == directories ]] && mapfile -t COMPREPLY < <(compgen -d -- "$typed")
            [[ $candidates == files ]] && mapfile -t COMPREPLY < <(compgen -f -- "$typed")
            compopt -o filenames
            return
            ;;
        esac
        [[ $current == -*=* ]] && candidates=$(while IFS= read -r value; do echo "$option=$value"; done <<<"$candidates")
    elif [[ $current == -* ]]; then
        if [[ -z $_qbw_command ]]; then candidates=$(printf '%s\n' "${_qbw_top_options[@]}")
        else candidates=$(printf '%s\n' ${_qbw_options[$_qbw_command]}); fi
    else
        candidates=$(_qbw_next_words)
    fi
    # Bash keeps what comes before the part it replaces; a value with spaces is escaped.
    local keep=$((${#current} - ${#typed})) candidate quoted
    COMPREPLY=()
    while IFS= read -r candidate; do
        [[ -n $candidate && $candidate == "$current"* ]] || continue
        printf -v quoted '%q' "${candidate:keep}"
        COMPREPLY+=("$quoted")
        [[ $candidate == *= ]] && compopt -o nospace
    done <<<"$candidates"
}

complete -F _quillbrook_widgets quillbrook-widgets
