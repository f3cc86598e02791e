# The completion code; the tables above say which words there are.

# A kind as the tables name it: "FavoritesWidget" and "favorites" as "favorites".
function __qbw_short_kind
    string lower -- $argv[1] | string replace -r -- '(.)widget$' '$1'
end

# The command, its arguments and the --home on the line before the token being completed.
function __qbw_read_line
    set -g __qbw_command
    set -g __qbw_given
    set -g __qbw_home
    set -l tokens (commandline -opc)
    set -l i 2
    while test $i -le (count $tokens)
        set -l token $tokens[$i]
        switch $token
            case '--home=*'
                set __qbw_home (string replace -- --home= '' $token)
            case '-*=*'
            case '-*'
                if contains -- $token $__qbw_valued; and test $i -lt (count $tokens)
                    set i (math $i + 1)
                    test $token = --home; and set __qbw_home $tokens[$i]
                end
            case '*'
                if test -z "$__qbw_command"
                    set __qbw_command $token
                else
                    set -a __qbw_given $token
                end
        end
        set i (math $i + 1)
    end
    set __qbw_home (string replace -r -- '^~' $HOME $__qbw_home)
end

# The kinds named on the line, or every kind when none is named.
function __qbw_line_kinds
    if set -q __qbw_given[1]
        for kind in $__qbw_given
            __qbw_short_kind $kind
        end
    else
        for kind in $__qbw_kinds
            __qbw_short_kind $kind
        end | sort -u
    end
end

# A parameter's values as `options KIND PARAM` gives them (the id before the tab), as NAME=VALUE.
function __qbw_parameter_values --argument-names name
    set -l program (string replace -r -- '^~' $HOME (commandline -opc)[1])
    set -l home
    test -n "$__qbw_home"; and set home --home $__qbw_home
    for kind in (__qbw_line_kinds)
        set -l parameters __qbw_parameters_$kind
        contains -- $name $$parameters; or continue
        for id in ($program $home options $kind $name --format text 2>/dev/null | string split -f1 \t)
            echo "$name=$id"
        end
    end
end

function __qbw_option_values --argument-names option value
    set -l source __qbw_values_(string replace -a -- - _ $option)
    set -l values $$source
    switch "$values"
        case formats
            set -l formats __qbw_formats_$__qbw_command
            test -n "$__qbw_command"; or set formats __qbw_formats_render
            printf '%s\n' $$formats
        case families
            printf '%s\n' $__qbw_families
        case modes
            printf '%s\n' $__qbw_modes
        case directories
            __fish_complete_directories $value
        case files
            __fish_complete_path $value
        case parameters
            if string match -q -- '*=*' $value
                __qbw_parameter_values (string split -m1 -- = $value)[1]
            else
                for kind in (__qbw_line_kinds)
                    set -l parameters __qbw_parameters_$kind
                    printf '%s=\n' $$parameters
                end | sort -u
            end
    end
end

# The words that may stand where the token being completed is, when it is not an option's value.
function __qbw_next_words
    if test -z "$__qbw_command"
        printf '%s\n' $__qbw_commands help
        return
    end
    set -l count (count $__qbw_given)
    if test $__qbw_command = help
        test $count -eq 0; and printf '%s\n' $__qbw_commands
        return
    end
    set -l arguments __qbw_arguments_$__qbw_command
    switch "$$arguments"
        case kind
            test $count -eq 0; and printf '%s\n' $__qbw_kinds
        case kinds
            printf '%s\n' $__qbw_kinds
        case 'kind parameter'
            test $count -eq 0; and printf '%s\n' $__qbw_kinds
            if test $count -eq 1
                set -l parameters __qbw_parameters_(__qbw_short_kind $__qbw_given[1])
                printf '%s\n' $$parameters
            end
        case shell
            test $count -eq 0; and printf '%s\n' $__qbw_shells
    end
end

function __qbw_complete
    __qbw_read_line
    set -l previous (commandline -opc)[-1]
    set -l current (commandline -ct)
    set -l option
    set -l value
    set -l prefix ''
    if string match -q -- '-*=*' $current
        set option (string split -m1 -- = $current)[1]
        set value (string split -m1 -- = $current)[2]
        set prefix $option=
    else if contains -- $previous $__qbw_valued
        set option $previous
        set value $current
    end
    if test -n "$option"
        for candidate in (__qbw_option_values $option $value)
            echo $prefix$candidate
        end
    else if string match -q -- '-*' $current
        set -l options __qbw_options_$__qbw_command
        test -n "$__qbw_command"; or set options __qbw_top_options
        printf '%s\n' $$options
    else
        __qbw_next_words
    end
end

complete -c quillbrook-widgets -f -a '(__qbw_complete)'
