# The completion code; the tables above say which words there are.

# A kind as the tables name it: "FavoritesWidget" and "favorites" as "favorites".
_qbw_short_kind() {
    local kind=${(L)1}
    [[ $kind == ?*widget ]] && kind=${kind%widget}
    print -r -- $kind
}

# A parameter's values as `options KIND PARAM` gives them (the id before the tab), for each of the kinds
# that has the parameter.
_qbw_parameter_values() {
    local program=$1 home=$2 name=$3 kind
    shift 3
    for kind in "$@"; do
        (( ${${=_qbw_parameters[$kind]}[(Ie)$name]} )) || continue
        $program ${home:+--home} ${home:+$home} options $kind $name --format text 2>/dev/null | cut -f1
    done
}

_quillbrook-widgets() {
    local command='' home='' word option='' value='' kind i
    local -a given kinds candidates
    # The command, its arguments and the --home before the word being completed.
    for (( i = 2; i < CURRENT; i++ )); do
        word=$words[i]
        case $word in
        --home=*) home=${word#--home=} ;;
        -*=*) ;;
        -*)
            if (( ${_qbw_valued[(Ie)$word]} && i + 1 < CURRENT )); then
                (( i++ ))
                [[ $word == --home ]] && home=$words[i]
            fi
            ;;
        *) if [[ -z $command ]]; then command=$word; else given+=($word); fi ;;
        esac
    done
    home=${home/#\~/$HOME}
    local program=${words[1]/#\~/$HOME} current=$words[CURRENT] previous=$words[CURRENT-1]
    if (( ${#given} )); then
        for word in $given; do kinds+=($(_qbw_short_kind $word)); done
    else
        kinds=(${(k)_qbw_parameters})
    fi

    if [[ $current == -*=* ]]; then
        option=${current%%=*} value=${current#*=}
        compset -P 1 '*='
    elif [[ $previous == -* && $previous != *=* ]] && (( ${_qbw_valued[(Ie)$previous]} )); then
        option=$previous value=$current
    fi
    if [[ -n $option ]]; then
        case $_qbw_values[$option] in
        formats) compadd -- ${=_qbw_formats[${command:-render}]} ;;
        families) compadd -- $_qbw_families ;;
        modes) compadd -- $_qbw_modes ;;
        directories) _files -/ ;;
        files) _files ;;
        parameters)
            if [[ $value == *=* ]]; then
                compset -P 1 '*='
                candidates=(${(f)"$(_qbw_parameter_values "$program" "$home" ${value%%=*} $kinds)"})
                compadd -- $candidates
            else
                for kind in $kinds; do candidates+=(${=_qbw_parameters[$kind]}); done
                compadd -S '=' -- ${(u)candidates}
            fi
            ;;
        esac
        return
    fi
    if [[ $current == -* ]]; then
        if [[ -z $command ]]; then compadd -- $_qbw_top_options; else compadd -- ${=_qbw_options[$command]}; fi
        return
    fi
    if [[ -z $command ]]; then
        compadd -- $_qbw_commands help
        return
    fi
    if [[ $command == help ]]; then
        (( ${#given} )) || compadd -- $_qbw_commands
        return
    fi
    case $_qbw_arguments[$command] in
    kind) (( ${#given} )) || compadd -- $_qbw_kinds ;;
    kinds) compadd -- $_qbw_kinds ;;
    'kind parameter')
        (( ${#given} == 0 )) && compadd -- $_qbw_kinds
        (( ${#given} == 1 )) && compadd -- ${=_qbw_parameters[$(_qbw_short_kind $given[1])]}
        ;;
    shell) (( ${#given} )) || compadd -- $_qbw_shells ;;
    esac
}

# Autoloaded from the function path, this file is the function's body: it defines the function and runs
# it; sourced, it registers the function.
if [[ ${zsh_eval_context[-1]} == loadautofunc ]]; then
    _quillbrook-widgets "$@"
else
    compdef _quillbrook-widgets quillbrook-widgets
fi
