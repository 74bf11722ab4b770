# bash completion for sorvane-cli
_sorvane_cli()
{
    local cur prev
    cur="${COMP_WORDS[COMP_CWORD]}"
    prev="${COMP_WORDS[COMP_CWORD-1]}"
    case "$prev" in
        -o|--output-dir)
            COMPREPLY=($(compgen -d -- "$cur"))
            return ;;
        --encoding)
            COMPREPLY=($(compgen -W "gbk gb18030 utf-8" -- "$cur"))
            return ;;
        --eol)
            COMPREPLY=($(compgen -W "crlf lf" -- "$cur"))
            return ;;
        --convert)
            COMPREPLY=($(compgen -W "none t2s s2t tw2sp s2twp" -- "$cur"))
            return ;;
        --naming)
            COMPREPLY=($(compgen -W "0 1 2 3 4 5 6 7" -- "$cur"))
            return ;;
        --list|--rules)
            COMPREPLY=($(compgen -f -- "$cur"))
            return ;;
        --head|--head-blank|--rest-blank|--max-run|--max-size|-j|--jobs|--join)
            return ;;
    esac
    if [[ "$cur" == -* ]]; then
        COMPREPLY=($(compgen -W "-o --output-dir --encoding --eol --join --keep-order --convert -n --no-clobber
            -r --recursive --stdout --raw --naming --head --head-blank --rest-blank --max-run --max-size --list
            --clean --no-clean --show-removed --rules
            -j --jobs -q --quiet --no-config --help --version" -- "$cur"))
        return
    fi
    COMPREPLY=($(compgen -f -- "$cur"))
}
complete -o filenames -F _sorvane_cli sorvane-cli
